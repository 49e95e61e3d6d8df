// The parts of three.js the report page uses, bundled into one script that defines the global THREE
// (npm run bundle-three).
export {
    AmbientLight,
    BufferAttribute,
    BufferGeometry,
    CanvasTexture,
    Color,
    DirectionalLight,
    DoubleSide,
    Group,
    LineBasicMaterial,
    LineSegments,
    Mesh,
    MeshBasicMaterial,
    MeshLambertMaterial,
    PerspectiveCamera,
    Points,
    PointsMaterial,
    Scene,
    SRGBColorSpace,
    ShaderMaterial,
    Box3,
    Vector3,
    WebGLRenderer,
    WebGLRenderTarget,
} from 'three';
export { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';
